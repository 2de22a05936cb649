' Module-level declarations as a shareable snippet writes them, and local ones in procedures
#If Win32 Then
Private Declare Function GetTickCount Lib "kernel32" () As Long
#Else
Private Declare Function GetTickCount Lib "kernel" () As Long
#End If
Private Declare Sub CopyMemory Lib "kernel32" Alias "RtlMoveMemory" _
    (ByRef Destination As Any, ByRef Source As Any, ByVal Length As Long)

Private Const MAX_PATH As Long = 260
Private Const TITLE As String = "Declarations: a test"

Private m_lngValue As Long
Private m_strBuffer As String * 16
Dim m_blnReady As Boolean

Public Property Get Value() As Long
    Value = m_lngValue
End Property

Public Property Let Value(ByVal NewValue As Long)
    Const LIMIT As Long = 1000

    If NewValue > LIMIT Then NewValue = LIMIT
    m_lngValue = NewValue
End Property

Public Function Elapsed(Optional ByVal Since As Long = 0, Optional ByVal Scale As Double = 1#) As Double
    Dim lngNow As Long, lngBytes(0 To 3) As Byte

    lngNow = GetTickCount()
    CopyMemory lngBytes(0), lngNow, 4&
    Elapsed = (CDbl(lngNow) - Since) * Scale + 1000# + &HFF& + MAX_PATH + Len(TITLE)
End Function
