' A 64-bit VBA declaration, which VB6 does not read
Private Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long

Public Function Ticks() As Long
    Ticks = GetTickCount()
End Function
