// Runs inside every instance of the program, before its SDL starts. The page owns one
// AudioContext, opened at 44100 Hz by the click that started the program (browsers play sound
// only after such a gesture and allow a page few contexts), and lends it to each run.
var AudioContext = Module['audioContext']
    ? function() { return Module['audioContext']; }
    : globalThis['AudioContext'];
