' Resume to a label the procedure lacks
Public Function SafeLen(ByVal Path As String) As Long
    On Error GoTo ErrHandler
    SafeLen = FileLen(Path)
    Exit Function

ErrHandler:
    SafeLen = -1
    Resume Done
End Function
