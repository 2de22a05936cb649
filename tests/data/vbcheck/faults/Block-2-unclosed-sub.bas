' A Sub that the file ends inside
Public Sub Greet(ByVal Name As String)
    MsgBox "Hello, " & Name
