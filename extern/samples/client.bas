Attribute VB_Name = "OrvexExternClient"
' Calls OrvexExtern from an Office macro (VBA), through the vtable: import this module into a
' workbook or document, tick "OrvexExtern 1.0 Type Library" under Tools > References, and run
' OrvexExternSample; the answers appear in the Immediate window (Ctrl+G). 32-bit and 64-bit Office
' both find the library: the server registers it for both.
' Without the reference, declare ext As Object and use CreateObject("Orvex.Extern") instead: the
' calls are then made through IDispatch.
Option Explicit

Public Sub OrvexExternSample()
    Dim ext As OrvexExternLibrary.IExtern
    Set ext = New OrvexExternLibrary.Extern
    Debug.Print "2 + 3: " & ext.invoke("String", "<+>", "<2>", "<3>")
    Debug.Print "7.0 / 2: " & ext.invoke("String", "</>", "<7.0>", "<2>")
    Debug.Print "ab + cd: " & ext.invoke("String", "<+>", "<ab>", "<cd>")
    Debug.Print "length of hello: " & ext.invoke("String", "<length>", "<hello>", "")
    Debug.Print "trunc of -2.7: " & ext.invoke("<Math>", "<trunc>", "", "<-2.7>")
    Debug.Print "random below 10: " & ext.invoke("<Math>", "<random>", "", "<10>")
    ' Released at once, so that the server can end when it has no other client.
    Set ext = Nothing
End Sub
