' A declaration with an initial value, as VB.NET writes it
Public Function Countdown() As String
    Dim lngLeft As Long = 10

    Do While lngLeft > 0
        Countdown = Countdown & lngLeft & " "
        lngLeft = lngLeft - 1
    Loop
End Function
