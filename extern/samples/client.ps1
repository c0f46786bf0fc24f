# Calls OrvexExtern from PowerShell, through IDispatch:  powershell -File client.ps1
$ext = New-Object -ComObject Orvex.Extern
"2 + 3: " + $ext.invoke("String", "<+>", "<2>", "<3>")
"7.0 / 2: " + $ext.invoke("String", "</>", "<7.0>", "<2>")
"ab + cd: " + $ext.invoke("String", "<+>", "<ab>", "<cd>")
"length of hello: " + $ext.invoke("String", "<length>", "<hello>", "")
"trunc of -2.7: " + $ext.invoke("<Math>", "<trunc>", "", "<-2.7>")
"random below 10: " + $ext.invoke("<Math>", "<random>", "", "<10>")
# Released now rather than at some later collection, so the server can end.
[void][System.Runtime.InteropServices.Marshal]::ReleaseComObject($ext)
