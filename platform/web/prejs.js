// Runs inside every instance of the program, before its SDL starts. The page owns one
// AudioContext, opened at 44100 Hz by the click that started the program (browsers play sound
// only after such a gesture and allow a page few contexts), and lends it to each run.
var AudioContext = Module['audioContext']
    ? function() { return Module['audioContext']; }
    : globalThis['AudioContext'];

// The screen's 2D context is made here, before SDL asks for one (a canvas keeps the options of
// its first context). Desynchronized: a frame drawn into it goes to the browser's compositor
// by itself, without a full update of the page (style, layout, paint and a commit on the main
// thread) for each of the 50 frames a second, which cost more than the whole program. Browsers
// that do not know the option ignore it.
if (Module['canvas'] && Module['canvas'].getContext) {
  Module['canvas'].getContext('2d', { desynchronized: true });
}
