' String.Format, as VB.NET writes it
Public Function Greeting(ByVal Name As String) As String
    Greeting = String.Format("Hello, {0}", Name)
End Function
