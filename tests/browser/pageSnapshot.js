// What a reader of the page gets from it, as the browser built it: the Flash
// elements, the visible text and the texts of the elements whose content is
// not markup. Evaluated through DevTools, so it runs with page scripts off too.
(() => {
  // Ancestors of an element, outermost first. A <noscript> is left out: the
  // converter wraps every block in one, and with scripting on the block is
  // written beside it instead.
  const parents = (element) => {
    const names = [];
    for (let p = element.parentElement; p; p = p.parentElement)
      if (p.localName !== 'noscript') names.unshift(p.localName + (p.id ? '#' + p.id : ''));
    return names.join(' > ');
  };
  // Where a URL-valued attribute leads, as the browser resolves it.
  const resolved = (element) => {
    const value = element.localName === 'param' ? element.getAttribute('value')
                : element.getAttribute('src') ?? element.getAttribute('data');
    if (value === null) return null;
    try { return new URL(value, document.baseURI).href; } catch { return null; }
  };
  return {
    title: document.title,
    flash: [...document.querySelectorAll('object, embed, param')].map((e) => ({
      tag: e.localName,
      attributes: [...e.attributes].map((a) => [a.name, a.value]),
      parents: parents(e),
      resolved: resolved(e),
    })),
    text: document.body ? document.body.innerText : '',
    values: [...document.querySelectorAll('input')].map((e) => e.value),
    rawTexts: [...document.querySelectorAll('style, textarea, xmp, script')].map((e) => ({
      tag: e.localName,
      src: e.localName === 'script' ? e.getAttribute('src') : null,
      text: e.textContent,
    })),
  };
})()
