' The Next names a variable that is not its For's
Public Function SumTable() As Long
    Dim lngRow As Long
    Dim lngColumn As Long

    For lngRow = 1 To 3
        For lngColumn = 1 To 3
            SumTable = SumTable + lngRow * lngColumn
        Next lngRow
    Next lngColumn
End Function
