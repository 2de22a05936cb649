' "Else If" opens a new If that needs its own End If; only one End If follows
Public Function Grade(ByVal Score As Long) As String
    If Score >= 90 Then
        Grade = "A"
    Else If Score >= 80 Then
        Grade = "B"
    Else
        Grade = "C"
    End If
End Function
