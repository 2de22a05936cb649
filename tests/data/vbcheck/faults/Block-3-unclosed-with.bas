' A With without its End With
Public Sub ResetLabel(ByVal lbl As Object)
    With lbl
        .Caption = ""
        .Visible = False
End Sub
