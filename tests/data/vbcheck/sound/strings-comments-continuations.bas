' Strings, comments and line continuations that hold what would otherwise be code
Private Declare Function MessageBox Lib "user32" Alias "MessageBoxA" _
    (ByVal hWnd As Long, ByVal lpText As String, _
     ByVal lpCaption As String, ByVal wType As Long) As Long

Private Const QUOTE As String = """"
Private Const NOT_CODE As String = "If x Then: GoTo Nowhere: End Sub ' still a string"

' A comment that mentions End If, For, Do and GoTo Nowhere is no code.
' A comment that ends in a continuation goes on _
  on this line as well, so End Function here is no code either
Public Function Quoted(ByVal Text As String) As String
    Rem Rem starts a comment where a statement starts: End If
    Quoted = QUOTE & Replace(Text, QUOTE, QUOTE & QUOTE) & QUOTE: Rem and after a colon: Loop
    Quoted = Quoted & "it's "" quoted: 'fine'" & _
             " and continued" ' with a comment: Next
    Quoted = Quoted & "{not a brace} += String.Format AndAlso Return x"
End Function

Public Function Remark() As String
    Dim strRemark As String

    strRemark = "Remove": Remark = strRemark
End Function
