' A While without its Wend
Public Function HalvingSteps(ByVal Value As Long) As Long
    While Value > 1
        Value = Value \ 2
        HalvingSteps = HalvingSteps + 1
End Function
