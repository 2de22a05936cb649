' A compound assignment, as VB.NET writes it
Public Function SumTo(ByVal Last As Long) As Long
    Dim lngIndex As Long

    For lngIndex = 1 To Last
        SumTo += lngIndex
    Next lngIndex
End Function
