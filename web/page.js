// SPDX-License-Identifier: MIT
// The page's events as calls into the module (WebPage.cpp), and what the module
// returns shown on the page. The rules (the boxes' reading, the large-count
// question, the presets, the pointer's mapping, the picture, the snapshot file,
// the link) are the module's; this script only carries them between the two.
'use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  const status = $('status');
  const say = (text) => { status.textContent = text; };

  // The smallest module that uses a SIMD instruction: valid only where the browser has SIMD.
  const simdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0,
                                    65, 0, 253, 15, 253, 98, 11]);
  if (typeof WebAssembly !== 'object') {
    say('This browser cannot run WebAssembly, which Driftmote needs.');
    return;
  }
  const hasSimd = WebAssembly.validate(simdProbe);
  const factory = hasSimd ? DriftmoteSimd : DriftmotePlain;
  factory({ confirmLargeCount: (question) => window.confirm(question) }).then(run, (error) => {
    say('Driftmote could not start: ' + error);
  });

  function run(M) {
    // The session's results (SessionResult).
    const Done = 0, Declined = 1, NoMemory = 2;
    const canvas = $('canvas');
    const stage = $('stage');
    const context = canvas.getContext('2d', { alpha: false });
    const boxes = [$('num'), $('attraction'), $('repulsion'), $('friction')];
    const pause = $('pause');
    const step = $('step');
    const playNice = $('play-nice');
    const about = $('about');

    // The controls' captions and accessible names, by their ids in the dialog's template.
    const controls = [
      [1000, canvas], [1001, boxes[0]], [1002, $('num-label')], [1003, playNice], [1004, boxes[1]],
      [1005, $('attraction-label')], [1006, boxes[2]], [1007, $('repulsion-label')], [1008, boxes[3]],
      [1009, $('friction-label')], [1011, $('credit')], [1012, $('preset-prev')], [1013, $('preset-next')],
      [1014, $('presets-label')],
    ];
    for (const [id, element] of controls) {
      const text = M.control(id);
      if (text.caption !== undefined)
        element.textContent = text.caption;
      const labelled = element.tagName === 'LABEL' || element.tagName === 'SPAN';
      if (text.name !== undefined && !labelled)
        element.setAttribute('aria-label', text.name);
      if (text.description !== undefined)
        element.setAttribute('aria-description', text.description);
    }
    $('presets-label').id = 'presets-label';
    $('preset-prev').setAttribute('aria-describedby', 'presets-label');
    const aboutText = M.about();
    $('about-title').textContent = aboutText.title;
    for (const line of aboutText.lines) {
      const p = document.createElement('p');
      p.textContent = line;
      $('about-text').appendChild(p);
    }
    $('about-ok').textContent = aboutText.ok;

    let drawing = false;
    let running = false;
    let lastTick = 0;
    let interval = 1000 / 60; // between animation frames, as measured
    let replaying = false;
    let replayTotal = 0;

    function showTexts() {
      boxes.forEach((box, i) => { box.value = M.text(i); });
    }

    function showState() {
      const paused = M.paused();
      document.title = M.title();
      canvas.setAttribute('aria-label', M.description());
      pause.setAttribute('aria-pressed', String(paused));
      step.disabled = !paused;
    }

    function draw() {
      const width = M.deviceWidth();
      const height = M.deviceHeight();
      if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
      }
      const ratio = window.devicePixelRatio || 1;
      canvas.style.width = width / ratio + 'px';
      canvas.style.height = height / ratio + 'px';
      const pixels = M.draw();
      if (pixels === null) {
        say('There is not enough memory for the picture.');
        return;
      }
      context.putImageData(new ImageData(new Uint8ClampedArray(pixels.buffer, pixels.byteOffset, width * height * 4),
                                         width, height), 0, 0);
      showState();
    }

    // As many frames as fit into an animation frame, then one picture. Play Nice
    // counts each frame a millisecond longer, which leaves the processor that much.
    function tick(now) {
      running = false;
      if (M.paused() || document.hidden || about.open)
        return;
      if (lastTick > 0)
        interval = 0.9 * interval + 0.1 * Math.min(now - lastTick, 100);
      lastTick = now;
      const budget = Math.max(1, interval * 0.6);
      const start = performance.now();
      let frames = 0;
      if (replaying) {
        let left = 0;
        do {
          left = M.replayFrames(1);
          ++frames;
        } while (left > 0 && performance.now() - start < budget);
        if (left > 0) {
          say('Replaying the shared run: frame ' + (replayTotal - left) + ' of ' + replayTotal + '...');
        } else {
          replaying = false;
          M.setPaused(true);
          say('Frame ' + replayTotal + ' of the shared run, as driftmote-sim gives it, paused. Pause resumes it.');
        }
      } else {
        do {
          M.frame();
          ++frames;
        } while (performance.now() - start + (playNice.getAttribute('aria-pressed') === 'true' ? frames : 0) < budget);
      }
      draw();
      schedule();
    }

    function schedule() {
      if (!running && !M.paused() && !document.hidden && !about.open) {
        running = true;
        lastTick = 0;
        requestAnimationFrame(tick);
      }
    }

    function stopReplay() {
      if (replaying) {
        replaying = false;
        say('');
      }
    }

    // The canvas fills its place in logical pixels; the picture is drawn in device pixels.
    function layout() {
      const ratio = window.devicePixelRatio || 1;
      const width = Math.max(1, Math.floor(stage.clientWidth));
      const height = Math.max(1, Math.floor(stage.clientHeight));
      M.resize(width, height, ratio);
      draw();
    }
    function watchRatio() {
      const query = matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
      query.addEventListener('change', () => { layout(); watchRatio(); }, { once: true });
    }

    function start(fragment) {
      const problem = M.start(fragment);
      showTexts();
      say(problem);
      const link = fragment.length > 1 && problem === '';
      replaying = link;
      replayTotal = link ? M.replayFrames(0) : 0;
      M.setPaused(false);
      if (link && replayTotal === 0) {
        replaying = false;
        M.setPaused(true);
        say('Frame 0 of the shared run, as driftmote-sim gives it, paused. Pause resumes it.');
      }
      layout();
      schedule();
    }

    boxes.forEach((box, i) => {
      box.addEventListener('input', () => {
        stopReplay();
        const result = M.typeText(i, box.value);
        if (result === Declined || result === NoMemory)
          box.value = M.text(i);
        if (result === NoMemory)
          say('There is not enough memory for that many particles.');
        draw();
        schedule();
      });
    });

    function choosePreset(step) {
      stopReplay();
      const result = M.preset(step);
      showTexts();
      if (result === NoMemory)
        say('There is not enough memory for that many particles.');
      draw();
      schedule();
    }
    $('preset-prev').addEventListener('click', () => choosePreset(-1));
    $('preset-next').addEventListener('click', () => choosePreset(1));
    playNice.addEventListener('click', () => {
      playNice.setAttribute('aria-pressed', String(playNice.getAttribute('aria-pressed') !== 'true'));
    });

    function togglePause() {
      stopReplay();
      M.setPaused(!M.paused());
      showState();
      schedule();
    }
    function stepOneFrame() {
      if (M.stepOneFrame())
        draw();
    }
    function download(bytes, name, type) {
      const url = URL.createObjectURL(new Blob([bytes.slice()], { type }));
      const a = document.createElement('a');
      a.href = url;
      a.download = name;
      document.body.appendChild(a);
      a.click();
      a.remove();
      setTimeout(() => URL.revokeObjectURL(url), 10000);
    }
    function savePicture() {
      draw();
      const png = M.savePicture();
      if (typeof png === 'string')
        say(png);
      else
        download(png, 'driftmote.png', 'image/png');
    }
    function saveSnapshot() {
      download(M.saveSnapshot(), 'driftmote.driftmote', 'application/x-driftmote');
    }
    async function openFile(file) {
      if (!file)
        return;
      stopReplay();
      const bytes = new Uint8Array(await file.arrayBuffer());
      const opened = M.openSnapshot(file.name, bytes);
      showTexts();
      say(opened.result === Done ? file.name + ' opened.' : opened.error);
      draw();
      schedule();
    }
    pause.addEventListener('click', togglePause);
    step.addEventListener('click', stepOneFrame);
    $('save-picture').addEventListener('click', savePicture);
    $('save-snapshot').addEventListener('click', saveSnapshot);
    $('open-snapshot').addEventListener('click', () => $('open-file').click());
    $('open-file').addEventListener('change', (event) => {
      openFile(event.target.files[0]);
      event.target.value = '';
    });
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      openFile(event.dataTransfer.files[0]);
    });
    $('copy-link').addEventListener('click', () => {
      const link = M.link();
      const text = $('link-text');
      if (link.fragment === '') {
        text.value = '';
        say('No link can replay this state: ' + link.why +
            '. A new count or a preset starts a run that a link can replay.');
        return;
      }
      text.value = location.href.split('#')[0] + '#' + link.fragment;
      text.select();
      const copied = navigator.clipboard ? navigator.clipboard.writeText(text.value) : Promise.reject();
      copied.then(() => say('The link to this run is copied: it opens at this frame, paused.'),
                  () => say('The link to this run is in the box: copy it from there.'));
    });

    const openAbout = () => about.showModal();
    $('credit').addEventListener('click', openAbout);
    about.addEventListener('close', schedule);

    // The window menu's shortcuts, where the browser leaves them to the page.
    document.addEventListener('keydown', (event) => {
      const ctrl = event.ctrlKey || event.metaKey;
      let action = null;
      if (event.key === 'Pause' && !ctrl)
        action = togglePause;
      else if (ctrl && !event.shiftKey && event.key === '.')
        action = stepOneFrame;
      else if (ctrl && event.shiftKey && (event.key === 'S' || event.key === 's'))
        action = savePicture;
      else if (ctrl && !event.shiftKey && event.key === 's')
        action = saveSnapshot;
      else if (ctrl && !event.shiftKey && event.key === 'o')
        action = () => $('open-file').click();
      if (action) {
        event.preventDefault();
        action();
      }
    });

    // Pointing, grabbing and flinging, with the events' own times.
    function pointer(event) {
      const rect = canvas.getBoundingClientRect();
      M.pointerMove(Math.floor(event.clientX - rect.left), Math.floor(event.clientY - rect.top),
                    (event.buttons & 1) !== 0, event.timeStamp);
    }
    canvas.addEventListener('pointermove', (event) => {
      pointer(event);
      if (M.paused()) {
        M.frame(); // holds a grabbed particle at the pointer without a step
        draw();
      }
    });
    canvas.addEventListener('pointerdown', (event) => {
      if (event.button !== 0)
        return;
      stopReplay();
      canvas.setPointerCapture(event.pointerId);
      M.pointerPress();
      if (M.paused())
        draw();
    });
    canvas.addEventListener('pointerup', (event) => {
      if (event.button !== 0)
        return;
      M.pointerRelease(event.timeStamp);
      if (M.paused())
        draw();
    });

    document.addEventListener('visibilitychange', schedule);
    window.addEventListener('hashchange', () => start(location.hash));
    new ResizeObserver(layout).observe(stage);
    watchRatio();

    $('build').textContent = hasSimd
      ? 'Steps with WebAssembly SIMD (the ' + M.kernel() + ' kernel), one thread.'
      : 'This browser has no WebAssembly SIMD: the steps run without it (the ' + M.kernel() +
        ' kernel), more slowly, with the same floats.';
    start(location.hash);
    boxes[0].focus();
    boxes[0].select();
    window.driftmote = M; // for the page's tests and for the curious
  }
})();
