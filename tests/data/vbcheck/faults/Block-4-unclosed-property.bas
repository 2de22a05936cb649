' A Property Get left open at the end of a class
Private m_strName As String

Public Property Get Name() As String
    Name = m_strName

Public Property Let Name(ByVal Value As String)
    m_strName = Value
End Property
