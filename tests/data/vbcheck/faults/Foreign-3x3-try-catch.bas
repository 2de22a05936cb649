' Try and Catch, as VB.NET writes them
Public Function SafeLen(ByVal Path As String) As Long
    Try
        SafeLen = FileLen(Path)
    Catch
        SafeLen = -1
    End Try
End Function
