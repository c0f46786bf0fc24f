' Calls OrvexExtern from VBScript, through IDispatch:  cscript //nologo client.vbs
Option Explicit

Dim ext
Set ext = CreateObject("Orvex.Extern")
WScript.Echo "2 + 3: " & ext.invoke("String", "<+>", "<2>", "<3>")
WScript.Echo "7.0 / 2: " & ext.invoke("String", "</>", "<7.0>", "<2>")
WScript.Echo "ab + cd: " & ext.invoke("String", "<+>", "<ab>", "<cd>")
WScript.Echo "length of hello: " & ext.invoke("String", "<length>", "<hello>", "")
WScript.Echo "trunc of -2.7: " & ext.invoke("<Math>", "<trunc>", "", "<-2.7>")
WScript.Echo "random below 10: " & ext.invoke("<Math>", "<random>", "", "<10>")
' Released before the script ends, so the server can end too.
Set ext = Nothing
