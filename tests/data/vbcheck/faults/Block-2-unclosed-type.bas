' A Type that is never ended
Private Type POINTAPI
    X As Long
    Y As Long

Public Function Origin() As Long
    Origin = 0
End Function
