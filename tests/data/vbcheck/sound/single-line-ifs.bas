' Single-line If statements in their forms, none of which needs an End If
Public Function Classify(ByVal Value As Long) As String
    Dim lngIndex As Long
    Dim lngSum As Long

    If Value < 0 Then Exit Function
    If Value = 0 Then Classify = "zero" Else Classify = "some"
    If Value > 100 Then Classify = "many": Exit Function
    If Value = 1 Then Classify = "one": lngSum = 1 Else Classify = "more": lngSum = 2
    If Value > 50 Then For lngIndex = 1 To 3: lngSum = lngSum + lngIndex: Next lngIndex
    If Value = 7 Then If lngSum > 0 Then Classify = "lucky" Else Classify = "odd"
    If Value = 13 Then GoTo Unlucky
    If Value = 42 Then Do: lngSum = lngSum - 1: Loop Until lngSum < 0
    Exit Function

Unlucky:
    Classify = "unlucky"
End Function

Public Function LineNumbers(ByVal Value As Long) As Long
10  If Value > 0 Then 30
20  LineNumbers = -1: Exit Function
30  LineNumbers = 1
End Function
