' Calls OrvexExtern from VBScript through IDispatch. A script error ends cscript silently with exit
' code 0, so success is the sentinel line at the end, printed only when every answer was right; a
' failed activation, the likeliest failure under load, is reported with its error.
Option Explicit

Dim failures
failures = 0

Sub Expect(got, want, what)
    If got <> want Then
        WScript.Echo "FAIL " & what & ": got " & got & ", want " & want
        failures = failures + 1
    End If
End Sub

Dim byName, byVersion, roll
On Error Resume Next
Set byName = CreateObject("Orvex.Extern")
If Err.Number = 0 Then Set byVersion = CreateObject("Orvex.Extern.1")
If Err.Number <> 0 Then
    WScript.Echo "FAIL CreateObject: error " & Hex(Err.Number) & ", " & Err.Description
    Set byName = Nothing
    WScript.Quit 1
End If
On Error GoTo 0
Expect byName.invoke("String", "<+>", "<2>", "<3>"), "<5>", "2 + 3"
Expect byVersion.invoke("String", "</>", "<7.0>", "<2>"), "<3.5>", "7.0 / 2"
Expect byName.invoke("String", "<+>", "<ab>", "<cd>"), "<abcd>", "concatenation"
Expect byName.invoke("String", "<<>", "<10>", "<9x>"), "true", "text comparison"
Expect byName.invoke("String", "<length>", "<" & Chr(233) & ">", ""), "<1>", "length outside ASCII"
Expect byName.invoke("<Math>", "<trunc>", "", "<-2.7>"), "<-2>", "trunc"
Expect byName.invoke("Math", "<random>", "", "<5>"), "nil", "inexact interface name"
roll = byName.invoke("<Math>", "<random>", "", "<10>")
If Len(roll) <> 3 Or Left(roll, 1) <> "<" Or InStr("0123456789", Mid(roll, 2, 1)) = 0 Then
    Expect roll, "<0> to <9>", "random"
End If

' Released here rather than by WScript.Quit, which would leave the server waiting for them.
Set byName = Nothing
Set byVersion = Nothing
If failures = 0 Then WScript.Echo "VBSCRIPT CLIENT PASSED"
