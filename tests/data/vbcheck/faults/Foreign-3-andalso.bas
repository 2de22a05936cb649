' AndAlso, as VB.NET writes it
Public Function InRange(ByVal Value As Long, ByVal Low As Long, ByVal High As Long) As Boolean
    InRange = Value >= Low AndAlso Value <= High
End Function
