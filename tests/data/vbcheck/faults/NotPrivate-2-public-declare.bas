' A Public Declare clashes with the same Declare in any other snippet of the project
Public Declare Function GetTickCount Lib "kernel32" () As Long

Public Function Ticks() As Long
    Ticks = GetTickCount()
End Function
