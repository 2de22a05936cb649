' A Function that the next Function starts inside
Public Function Twice(ByVal Value As Long) As Long
    Twice = Value * 2

Public Function Thrice(ByVal Value As Long) As Long
    Thrice = Value * 3
End Function
