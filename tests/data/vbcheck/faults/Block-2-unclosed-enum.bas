' An Enum that is never ended
Public Enum Colour
    clrRed = 1
    clrGreen = 2

Public Function IsRed(ByVal Value As Colour) As Boolean
    IsRed = (Value = clrRed)
End Function
