' One End If too many
Public Function Larger(ByVal A As Long, ByVal B As Long) As Long
    If A > B Then Larger = A Else Larger = B
    End If
End Function
