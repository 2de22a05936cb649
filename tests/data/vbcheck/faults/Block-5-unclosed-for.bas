' A For without its Next
Public Function SumTo(ByVal Last As Long) As Long
    Dim lngIndex As Long

    For lngIndex = 1 To Last
        SumTo = SumTo + lngIndex
End Function
