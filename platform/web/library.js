// library.js - the browser layer's JavaScript (linked with --js-library): what the C++ side
// does on the page's canvases, in Web Audio and for the page itself. Each function here is the C
// function of the same name (declared where it is used: sdlwebvideo.cpp, sdlwebaudio.cpp,
// sdlweb.cpp); its arguments are numbers, pointers as addresses in the program's memory.
// Emscripten's SDL keeps its state in the object SDL; these functions keep theirs beside it,
// under names starting with k8.
//
// mergeInto: every Emscripten reads it (the newer ones also as addToLibrary).
mergeInto(LibraryManager.library, {
  // ---- Surfaces and presenting (sdlwebvideo.cpp) -------------------------------------------

  // The view over a block is kept per slot and remade only when the block, its size or the
  // memory itself (after growing) changed. putImageData replaces pixels, so a blend goes through
  // one canvas kept for the purpose and drawImage. A target other than the screen has its pixels
  // block refreshed afterwards, as Emscripten's own blits do.
  K8WebPutCanvasWords__deps: ['$SDL', 'SDL_LockSurface'],
  K8WebPutCanvasWords: function(view, block, rowWords, rows, sx, sy, w, h, x, y, target, blend) {
    var views = SDL.k8Views || (SDL.k8Views = []);
    var image = views[view];
    if (!image || image.k8Block !== block || image.width !== rowWords || image.height !== rows ||
        image.data.buffer !== HEAPU8.buffer) {
      image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, block, rowWords * rows * 4),
                            rowWords, rows);
      image.k8Block = block;
      views[view] = image;
    }
    var into = SDL.surfaces[target];
    if (!blend) {
      into.ctx.putImageData(image, x - sx, y - sy, sx, sy, w, h);
    } else {
      var mix = SDL.k8Blend;
      if (!mix) {
        mix = SDL.k8Blend = document.createElement('canvas');
        mix.k8Context = mix.getContext('2d');
      }
      if (mix.width < rowWords || mix.height < rows) {
        mix.width = Math.max(mix.width, rowWords);
        mix.height = Math.max(mix.height, rows);
      }
      mix.k8Context.putImageData(image, 0, 0, sx, sy, w, h);
      into.ctx.drawImage(mix, sx, sy, w, h, x, y, w, h);
    }
    if (target !== SDL.screen) {
      _SDL_LockSurface(target);
      into.locked--;
    }
  },

  // SDL_UnlockSurface would upload too, but the lock first reads the whole canvas back.
  K8WebUploadCanvas__deps: ['$SDL'],
  K8WebUploadCanvas: function(surface, pixels) {
    var canvas = SDL.surfaces[surface];
    var image = canvas.ctx.createImageData(canvas.width, canvas.height);
    image.data.set(HEAPU8.subarray(pixels, pixels + canvas.width * canvas.height * 4));
    canvas.ctx.putImageData(image, 0, 0);
  },

  K8WebBlitCanvas__deps: ['$SDL'],
  K8WebBlitCanvas: function(src, srcrect, dst, dstrect) {
    return SDL.blitSurface(src, srcrect, dst, dstrect, false);
  },

  K8WebFreeCanvas__deps: ['$SDL'],
  K8WebFreeCanvas: function(surface) {
    SDL.freeSurface(surface);
  },

  // ---- Sound (sdlwebaudio.cpp) -------------------------------------------------------------

  K8WebOpenAudio__deps: ['$SDL'],
  K8WebOpenAudio: function(rate, channels, frames, bytesPerSample, ring, ahead) {
    SDL.openAudioContext();
    var context = SDL.audioContext;
    if (!context) return 0;
    var buffers = [];
    try {
      for (var i = 0; i < ring; i++) buffers.push(context.createBuffer(channels, frames, rate));
    } catch (e) {
      return 0;  // a rate or size this browser does not play
    }
    var out = {
      context: context, buffers: buffers, next: 0, channels: channels, frames: frames,
      bytesPerSample: bytesPerSample, seconds: frames / rate, ahead: ahead, playAt: 0, timer: 0,
      samples: [],
    };
    for (var c = 0; c < channels; c++) out.samples.push(new Float32Array(frames));
    // Tops up the schedule, one callback per missing buffer, and looks again when the next
    // buffer will be missing: about one wake-up per buffer played.
    out.feed = function() {
      out.timer = 0;
      if (ABORT) return;
      var lead = 0.05;  // the browser's own start-up and jitter
      var full = lead + out.seconds * out.ahead;
      while (out.playAt - context.currentTime < full) {
        var at = Math.max(context.currentTime + lead, out.playAt);
        var block = _K8WebAudioFill();
        if (!block) return;  // closed meanwhile
        out.play(block, at);
        out.playAt = at + out.seconds;
      }
      var wait = out.playAt - context.currentTime - (full - out.seconds);
      out.timer = setTimeout(out.feed, Math.max(10, wait * 1000));
    };
    out.play = function(block, at) {
      var buffer = out.buffers[out.next];
      out.next = (out.next + 1) % out.buffers.length;
      var channels = out.channels, frames = out.frames;
      for (var c = 0; c < channels; c++) {
        var samples = out.samples[c];
        if (out.bytesPerSample == 2) {
          var words = block >> 1;
          for (var j = 0; j < frames; j++) samples[j] = HEAP16[words + j * channels + c] / 32768;
        } else {
          for (var k = 0; k < frames; k++) {
            samples[k] = (HEAPU8[block + k * channels + c] - 128) / 128;
          }
        }
        buffer.copyToChannel(samples, c);
      }
      var source = context.createBufferSource();
      source.buffer = buffer;
      source.connect(context.destination);
      source.start(at);
    };
    SDL.k8Audio = out;
    return 1;
  },

  K8WebPauseAudio__deps: ['$SDL'],
  K8WebPauseAudio: function(pause) {
    var out = SDL.k8Audio;
    if (!out) return;
    if (pause) {
      clearTimeout(out.timer);
      out.timer = 0;
    } else if (!out.timer) {
      out.timer = setTimeout(out.feed, 0);
    }
  },

  K8WebCloseAudio__deps: ['$SDL'],
  K8WebCloseAudio: function() {
    var out = SDL.k8Audio;
    if (!out) return;
    clearTimeout(out.timer);
    SDL.k8Audio = null;
  },

  // ---- The page (sdlweb.cpp) ---------------------------------------------------------------

  // Once main has returned and the browser has the thread again.
  K8WebTellQuit: function() {
    if (Module['onQuit']) setTimeout(Module['onQuit'], 0);
  },
});
