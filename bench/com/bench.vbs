' One script client of the COM benchmark: cscript bench.vbs extern|trivial|trivial4 CALLS. The same as
' ComBench.exe through IDispatch, as script hosts call: prints "CALLS SECONDS".
Option Explicit
Dim server, calls, o, i, started, seconds
server = WScript.Arguments(0)
calls = CLng(WScript.Arguments(1))
If server = "extern" Then
    Set o = CreateObject("Orvex.Extern")
    For i = 1 To 10 : o.invoke "String", "<+>", "<1>", "<1>" : Next
    started = Timer
    For i = 1 To calls : o.invoke "String", "<+>", "<1>", "<1>" : Next
ElseIf server = "trivial4" Then
    Set o = CreateObject("Orvex.Trivial")
    For i = 1 To 10 : o.echoThird "String", "<+>", "<1>", "<1>" : Next
    started = Timer
    For i = 1 To calls : o.echoThird "String", "<+>", "<1>", "<1>" : Next
Else
    Set o = CreateObject("Orvex.Trivial")
    For i = 1 To 10 : o.echo "<1>" : Next
    started = Timer
    For i = 1 To calls : o.echo "<1>" : Next
End If
seconds = Timer - started
Set o = Nothing
WScript.Echo calls & " " & seconds
