Attribute VB_Name = "modTimer"
Option Explicit
' Größe €
    x = 1
