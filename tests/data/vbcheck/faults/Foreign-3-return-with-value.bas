' Return with a value, as VB.NET writes it
Public Function Twice(ByVal Value As Long) As Long
    Return Value * 2
End Function
