// The page's course list: the shipped course first, then the course pack
// (courses/index.json, each course's level and drawing beside it). Picking
// one starts a live run on it; the editor can open a course's drawing.
const $ = (id) => document.getElementById(id);

export async function courses() {
  try {
    const response = await fetch('courses/index.json');
    if (!response.ok) return [];
    const list = await response.json();
    return Array.isArray(list) ? list.filter((c) => typeof c.file === 'string' && /^[\w-]+$/.test(c.file)) : [];
  } catch {
    return [];
  }
}

async function fetchBytes(name) {
  const response = await fetch(name);
  if (!response.ok) throw new Error(`${name}: cannot load (${response.status})`);
  return new Uint8Array(await response.arrayBuffer());
}

async function wire() {
  const list = await courses();
  const label = document.createElement('label');
  label.id = 'course-label';
  label.textContent = 'Course ';
  const select = document.createElement('select');
  select.id = 'course';
  select.append(new Option('ZUNO (the shipped course)', '0.lev'));
  for (const c of list) {
    const option = new Option(c.title, `courses/${c.file}.lev`);
    option.title = c.description;
    select.append(option);
  }
  const note = document.createElement('span');
  note.id = 'course-note';
  label.append(select, ' ', note);
  $('controls').append(label);
  select.onchange = async () => {
    const option = select.selectedOptions[0];
    try {
      await ZUNO.playLevel(await fetchBytes(option.value), option.value.replace(/^.*\//, ''));
      note.textContent = option.title;
    } catch (error) {
      $('message').textContent = String(error.message || error);
    }
    $('screen').focus({ preventScroll: true });
  };
}

if (window.ZUNO) ZUNO.ready.then(wire);
