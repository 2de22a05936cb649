' OrElse, as VB.NET writes it
Public Function IsBlank(ByVal Text As String) As Boolean
    If Len(Text) = 0 OrElse Len(Trim$(Text)) = 0 Then IsBlank = True
End Function
