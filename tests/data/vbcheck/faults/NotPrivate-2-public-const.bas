' A Public Const clashes with the same constant in any other snippet of the project
Public Const HKEY_CURRENT_USER As Long = &H80000001

Public Function CurrentUserRoot() As Long
    CurrentUserRoot = HKEY_CURRENT_USER
End Function
