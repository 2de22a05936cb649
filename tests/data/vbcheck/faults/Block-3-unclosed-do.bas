' A Do without its Loop
Public Function CountDigits(ByVal Value As Long) As Long
    Do
        CountDigits = CountDigits + 1
        Value = Value \ 10
    If Value = 0 Then Exit Function
End Function
