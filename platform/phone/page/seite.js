'use strict';
// Sends the chosen files one after another to the workstation, each as the
// body of its own POST, and shows each file's progress and answer.
(function () {
  const MAX_BYTES = 100 * 1024 * 1024;
  const ziel = location.pathname.replace(/\/?$/, '/') + 'datei';
  const eingabe = document.getElementById('dateien');
  const liste = document.getElementById('liste');
  const fertig = document.getElementById('fertig');
  let warteschlange = Promise.resolve();
  let offen = 0;

  function eintrag(datei) {
    const li = document.createElement('li');
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = datei.name || 'Foto';
    const balken = document.createElement('progress');
    balken.max = 100;
    balken.value = 0;
    const stand = document.createElement('span');
    stand.className = 'stand';
    stand.textContent = 'Wartet …';
    li.append(name, balken, stand);
    liste.append(li);
    return { li, balken, stand };
  }

  function ende(zeile, ok, text) {
    zeile.li.classList.add(ok ? 'ok' : 'fehler');
    zeile.balken.value = ok ? 100 : zeile.balken.value;
    zeile.stand.textContent = text;
    offen -= 1;
    fertig.hidden = offen > 0;
  }

  function senden(datei, zeile) {
    return new Promise(function (fertigGesendet) {
      if (datei.size > MAX_BYTES) {
        ende(zeile, false, 'Die Datei ist größer als 100 MB und wurde nicht gesendet.');
        fertigGesendet();
        return;
      }
      const xhr = new XMLHttpRequest();
      xhr.open('POST', ziel);
      xhr.setRequestHeader('X-Dateiname', encodeURIComponent(datei.name || 'Foto'));
      xhr.upload.onprogress = function (e) {
        if (e.lengthComputable) {
          zeile.balken.value = Math.round(100 * e.loaded / e.total);
          zeile.stand.textContent = 'Wird gesendet … ' + zeile.balken.value + ' %';
        }
      };
      xhr.onload = function () {
        const ok = xhr.status >= 200 && xhr.status < 300;
        ende(zeile, ok, xhr.responseText || (ok ? 'Angekommen.' : 'Nicht übernommen.'));
        fertigGesendet();
      };
      xhr.onerror = xhr.ontimeout = function () {
        ende(zeile, false, 'Die Verbindung zum Arbeitsplatz ist abgebrochen. Ist das Fenster „Vom Handy“ noch offen?');
        fertigGesendet();
      };
      zeile.stand.textContent = 'Wird gesendet …';
      xhr.send(datei);
    });
  }

  eingabe.addEventListener('change', function () {
    const dateien = Array.from(eingabe.files);
    offen += dateien.length;
    fertig.hidden = offen > 0;
    for (const datei of dateien) {
      const zeile = eintrag(datei);
      warteschlange = warteschlange.then(function () { return senden(datei, zeile); });
    }
    eingabe.value = '';
  });
})();
