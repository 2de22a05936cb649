' An Enum and a Function of one name in one module: "Ambiguous name detected"
Public Enum TrayEvent
    teNone = 0
    teClick = 1
End Enum

Public Function TrayEvent(ByVal X As Single) As TrayEvent
    If X > 0 Then TrayEvent = teClick
End Function
