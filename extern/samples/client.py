"""Calls OrvexExtern from Python, with either of the two COM packages:
    python client.py win32com    pywin32, late binding through IDispatch
    python client.py comtypes    comtypes, the vtable described by the registered type library
                                 (comtypes generates its wrapper from it on first use)
"""
import sys


def create(binding):
    if binding == "win32com":
        import win32com.client
        return win32com.client.Dispatch("Orvex.Extern")
    if binding == "comtypes":
        import comtypes.client
        return comtypes.client.CreateObject("Orvex.Extern")
    sys.exit("usage: python client.py win32com|comtypes")


ext = create(sys.argv[1] if len(sys.argv) > 1 else "")
print("2 + 3:", ext.invoke("String", "<+>", "<2>", "<3>"))
print("7.0 / 2:", ext.invoke("String", "</>", "<7.0>", "<2>"))
print("ab + cd:", ext.invoke("String", "<+>", "<ab>", "<cd>"))
print("length of hello:", ext.invoke("String", "<length>", "<hello>", ""))
print("trunc of -2.7:", ext.invoke("<Math>", "<trunc>", "", "<-2.7>"))
print("random below 10:", ext.invoke("<Math>", "<random>", "", "<10>"))
