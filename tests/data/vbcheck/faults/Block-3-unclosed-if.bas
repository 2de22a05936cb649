' A block If whose End If is missing
Public Function Sign(ByVal Value As Double) As Long
    If Value > 0 Then
        Sign = 1
    ElseIf Value < 0 Then
        Sign = -1
End Function
