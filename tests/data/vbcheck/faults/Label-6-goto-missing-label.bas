' GoTo to a label that is spelt differently
Public Function FirstSpace(ByVal Text As String) As Long
    Dim lngIndex As Long

    For lngIndex = 1 To Len(Text)
        If Mid$(Text, lngIndex, 1) = " " Then GoTo Found
    Next lngIndex
    Exit Function

Fonud:
    FirstSpace = lngIndex
End Function
