' On Error GoTo to a label the procedure lacks
Public Function ReadAll(ByVal FileName As String) As String
    Dim intFile As Integer

    On Error GoTo ErrHandler
    intFile = FreeFile
    Open FileName For Binary Access Read As #intFile
    ReadAll = Space$(LOF(intFile))
    Get #intFile, , ReadAll
    Close #intFile
    Exit Function

ErrorHandler:
    ReadAll = ""
End Function
