' A Select Case without its End Select
Public Function DayKind(ByVal Day As Long) As String
    Select Case Day
    Case 1, 7: DayKind = "Weekend"
    Case Else: DayKind = "Workday"
End Function
