' café
Sub A()
    Beep
End Sub
