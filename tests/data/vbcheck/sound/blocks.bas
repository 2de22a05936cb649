' Every block in its usual forms, nested, with the statements that sit inside them
Private Type RECT
    Left As Long
    Top As Long
    Right As Long
    Bottom As Long
End Type

Public Enum Direction
    dirNorth = 0
    dirEast = 1
End Enum

Public Function Blocks(ByVal Value As Long, ByVal Items As Collection) As Long
    Dim lngRow As Long
    Dim lngColumn As Long
    Dim varItem As Variant
    Dim udtRect As RECT

    Select Case Value
    Case 1: Blocks = 1
    Case 2 To 5, 9: Blocks = 2: Exit Function
    Case Is > 100
        Blocks = 3
    Case Else: Blocks = 0
    End Select

    For lngRow = 1 To 3
        For lngColumn = 1 To 3
            If lngRow = lngColumn Then
                Blocks = Blocks + 1
            ElseIf lngRow > lngColumn Then
                Blocks = Blocks - 1
            Else
                If Blocks > 10 Then Exit For
            End If
    Next lngColumn, lngRow

    For Each varItem In Items
        If IsEmpty(varItem) Then Exit For
    Next

    Do While Value > 0
        Value = Value \ 2
    Loop
    Do
        Value = Value + 1
        If Value > 10 Then Exit Do
    Loop Until Value > 5
    Do Until Value = 0: Value = Value - 1: Loop
    Do: Value = Value + 1: Loop While Value < 3
    While Value > 0
        Value = Value - 1
    Wend

    With udtRect
        .Left = 1
        .Right = .Left + 10
    End With
    If Value = 0 Then
        Blocks = Blocks * 2
    EndIf
End Function

Public Sub Properties()
    Static lngCalls As Long

    lngCalls = lngCalls + 1
    If lngCalls > 1 Then Exit Sub
End Sub
