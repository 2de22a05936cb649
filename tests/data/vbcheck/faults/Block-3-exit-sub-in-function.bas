' Exit Sub inside a Function
Public Function SafeDivide(ByVal A As Double, ByVal B As Double) As Double
    If B = 0 Then Exit Sub
    SafeDivide = A / B
End Function
