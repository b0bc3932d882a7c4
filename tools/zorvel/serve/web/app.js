// zorvel serve's viewer: lists the slides, shows one with OpenSeadragon from the server's Deep
// Zoom tiles, and offers focus planes, channels, the annotation overlay, properties, the label
// and a scale bar. window.zorvelViewer exposes the state a browser test waits for.
'use strict';

const state = { slide: null, info: null, viewer: null, fullyLoaded: false, overlay: null };
window.zorvelViewer = state;

const $ = (id) => document.getElementById(id);

async function getJson(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(url + ': ' + response.status);
  return response.json();
}

function tileQuery() {
  const parts = [];
  if (state.info.focal_planes > 1) parts.push('focus=' + $('focus').value);
  if (!state.info.brightfield) parts.push('channels=' + ['red', 'green', 'blue'].map((c) => $(c).value).join(','));
  return parts.length ? '?' + parts.join('&') : '';
}

function tileSource() {
  const info = state.info;
  const query = tileQuery();
  const name = encodeURIComponent(state.slide);
  let levels = 1;
  for (let longer = Math.max(info.width, info.height); longer > 1; longer = Math.ceil(longer / 2)) levels++;
  return {
    width: info.width, height: info.height, tileSize: 254, tileOverlap: 1, minLevel: 0, maxLevel: levels - 1,
    getTileUrl: (level, x, y) => `dz/${name}_files/${level}/${x}_${y}.jpeg${query}`,
  };
}

function showImage() {
  $('focusValue').textContent = $('focus').value;
  state.fullyLoaded = false;
  state.viewer.open(tileSource());
}

function onOpened() {
  const item = state.viewer.world.getItemAt(0);
  if (!item) return;
  const update = () => { state.fullyLoaded = item.getFullyLoaded(); };
  item.addHandler('fully-loaded-change', update);
  update();
  drawAnnotations();
}

async function drawAnnotations() {
  if (state.overlay) { state.viewer.removeOverlay(state.overlay); state.overlay = null; }
  if (!$('showAnnotations').checked) return;
  const collection = await getJson(`api/slides/${encodeURIComponent(state.slide)}/annotations`);
  const { width, height } = state.info;
  const svgNs = 'http://www.w3.org/2000/svg';
  const svg = document.createElementNS(svgNs, 'svg');
  svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
  svg.setAttribute('preserveAspectRatio', 'none');
  svg.id = 'annotationOverlay';
  const stroke = Math.max(width, height) / 400;
  for (const feature of collection.features) {
    const g = feature.geometry;
    const colour = feature.properties.color || '#00ff00';
    let shape;
    if (g.type === 'Point') {
      shape = document.createElementNS(svgNs, 'circle');
      shape.setAttribute('cx', g.coordinates[0]);
      shape.setAttribute('cy', g.coordinates[1]);
      shape.setAttribute('r', stroke * 3);
      shape.setAttribute('fill', colour);
    } else {
      const points = g.type === 'Polygon' ? g.coordinates[0] : g.coordinates;
      shape = document.createElementNS(svgNs, g.type === 'Polygon' ? 'polygon' : 'polyline');
      shape.setAttribute('points', points.map((p) => p.join(',')).join(' '));
      shape.setAttribute('fill', 'none');
      shape.setAttribute('stroke', colour);
      shape.setAttribute('stroke-width', stroke);
    }
    const title = document.createElementNS(svgNs, 'title');
    title.textContent = `${feature.properties.caption}: ${feature.properties.description}`;
    shape.appendChild(title);
    svg.appendChild(shape);
  }
  state.overlay = svg;
  state.viewer.addOverlay({ element: svg, location: new OpenSeadragon.Rect(0, 0, 1, height / width) });
}

function updateScaleBar() {
  const bar = $('scalebar');
  const mpp = state.info && state.info.mpp_x;
  if (!mpp || !state.viewer.world.getItemAt(0)) { bar.textContent = ''; return; }
  const item = state.viewer.world.getItemAt(0);
  const screenPixelsPerImagePixel = item.viewportToImageZoom(state.viewer.viewport.getZoom(true)) || 1;
  const micrometresPerScreenPixel = mpp / screenPixelsPerImagePixel;
  const target = micrometresPerScreenPixel * 120;
  const step = Math.pow(10, Math.floor(Math.log10(target)));
  const length = [5, 2, 1].map((f) => f * step).find((v) => v <= target) || step;
  bar.style.width = `${length / micrometresPerScreenPixel}px`;
  bar.textContent = length >= 1000 ? `${length / 1000} mm` : `${length} µm`;
}

function fillChannels(channels) {
  ['red', 'green', 'blue'].forEach((colour, i) => {
    const select = $(colour);
    select.innerHTML = '<option value="-1">none</option>' +
      channels.map((c) => `<option value="${c.index}">${c.name}</option>`).join('');
    select.value = String(Math.min(2 - i, channels.length - 1) >= 0 && 2 - i < channels.length ? 2 - i : -1);
    select.onchange = showImage;
  });
}

async function openSlide(name) {
  state.slide = name;
  document.querySelectorAll('#slides li').forEach((li) => li.classList.toggle('current', li.dataset.name === name));
  const base = `api/slides/${encodeURIComponent(name)}`;
  state.info = await getJson(`${base}/info`);
  $('controls').classList.remove('hidden');
  const planes = state.info.focal_planes;
  $('focusBox').classList.toggle('hidden', planes <= 1);
  if (planes > 1) {
    const half = Math.floor((planes - 1) / 2);
    Object.assign($('focus'), { min: -half, max: planes - 1 - half, value: 0 });
    $('focusValue').textContent = '0';
  }
  $('channelBox').classList.toggle('hidden', state.info.brightfield);
  if (!state.info.brightfield) fillChannels(state.info.channels);
  $('label').src = `${base}/label.jpeg`;
  const properties = await getJson(`${base}/properties`);
  $('properties').innerHTML = properties.filter((p) => p.type !== 'ERROR' && p.type !== 'EMPTY')
    .map((p) => `<tr><td>${p.name || p.tag}</td><td>${String(p.value).replace(/</g, '&lt;')}</td></tr>`).join('');
  showImage();
}

async function start() {
  state.viewer = OpenSeadragon({ id: 'viewer', prefixUrl: 'vendor/openseadragon/images/', showNavigator: true,
                                 crossOriginPolicy: false, immediateRender: false });
  state.viewer.addHandler('open', onOpened);
  state.viewer.addHandler('animation', updateScaleBar);
  state.viewer.addHandler('open', updateScaleBar);
  $('focus').oninput = () => { $('focusValue').textContent = $('focus').value; };
  $('focus').onchange = showImage;
  $('showAnnotations').onchange = drawAnnotations;
  const slides = await getJson('api/slides');
  $('slides').innerHTML = slides.map((s) => `<li data-name="${s.name.replace(/"/g, '&quot;')}">${s.name}` +
    (s.error ? ' (cannot be read)' : '') + '</li>').join('');
  document.querySelectorAll('#slides li').forEach((li) => { li.onclick = () => openSlide(li.dataset.name); });
  const wanted = new URLSearchParams(location.search).get('slide');
  const first = slides.find((s) => s.name === wanted) || slides.find((s) => !s.error);
  if (first) await openSlide(first.name);
}

start();
