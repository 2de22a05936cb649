
' Doubles a value
Public Function Twice(ByVal Value As Long) As Long
    Twice = Value * 2
End Function
