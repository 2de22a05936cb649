' A label belongs to its own procedure: Cleanup lives in Second, not in First
Public Sub First()
    On Error GoTo Cleanup
    Debug.Print 1 / 0
End Sub

Public Sub Second()
    Exit Sub
Cleanup:
    Debug.Print "done"
End Sub
