' A module-level Const is to say Private, as every snippet does
Const MAX_PATH As Long = 260

Public Function PathBuffer() As String
    PathBuffer = String$(MAX_PATH, vbNullChar)
End Function
