' A Declare without Private is Public in a standard module
Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)

Public Sub Wait(ByVal Milliseconds As Long)
    Sleep Milliseconds
End Sub
