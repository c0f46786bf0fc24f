// Calls OrvexExtern from JScript through IDispatch. A script error ends cscript silently with exit
// code 0, so success is the sentinel line at the end, printed only when every answer was right.
var failures = 0;

function expect(got, want, what) {
    if (got !== want) {
        WScript.Echo("FAIL " + what + ": got " + got + ", want " + want);
        failures++;
    }
}

var byName = new ActiveXObject("Orvex.Extern");
var byVersion = new ActiveXObject("Orvex.Extern.1");
expect(byName.invoke("String", "<+>", "<2>", "<0.5>"), "<2.5>", "2 + 0.5");
expect(byVersion.invoke("String", "<%>", "<-7>", "<2>"), "<-1>", "-7 % 2");
expect(byName.invoke("String", "<==>", "<5>", "<5.0>"), "true", "numeric equality");
expect(byName.invoke("String", "<append>", "<a>", "b"), "nil", "append of a non-literal");
var eAcute = String.fromCharCode(233);
expect(byName.invoke("String", "<length>", "<" + eAcute + ">", ""), "<1>", "length outside ASCII");
expect(byName.invoke("<Math>", "<round>", "", "<2.5>"), "nil", "round");
var roll = byName.invoke("<Math>", "<random>", "", "<10>");
if (!/^<[0-9]>$/.test(roll)) expect(roll, "<0> to <9>", "random");

// Released before the end, so the server does not wait for a collection that may never come.
byName = null;
byVersion = null;
CollectGarbage();
if (failures === 0) WScript.Echo("JSCRIPT CLIENT PASSED");
