' Labels, error handlers and jumps, each label in its own procedure
Public Function ReadFirstLine(ByVal FileName As String) As String
    Dim intFile As Integer

    On Error GoTo ErrHandler
    intFile = FreeFile
    Open FileName For Input As #intFile
    Line Input #intFile, ReadFirstLine
    Close #intFile: Exit Function

ErrHandler:
    If intFile <> 0 Then Close #intFile
    ReadFirstLine = ""
End Function

Public Function Retry(ByVal FileName As String) As Long
    Dim intTries As Integer

    On Error GoTo ErrHandler
Again: Retry = FileLen(FileName)
    On Error GoTo 0
    GoSub Report
    Exit Function

Report:
    Debug.Print "size "; Retry
    Return

ErrHandler:
    intTries = intTries + 1
    If intTries < 3 Then Resume Again
    Resume Finish
Finish:
    Retry = -1
End Function

Public Sub Dispatch(ByVal Choice As Integer)
    On Choice GoTo One, Two
    Exit Sub
One: MsgBox Prompt:="one", Buttons:=vbOKOnly, Title:="Choice"
    Exit Sub
Two:
    Debug.Print Format$(#12:30:00 PM#, "hh:nn"), #1/2/2003#
    On Error Resume Next
    Resume Next
End Sub
