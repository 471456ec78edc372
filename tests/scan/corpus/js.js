// TODO: javascript
const t = `template
// FIXME: inside a template literal
`;
const s = '/* HACK */';
/**
 * XXX: jsdoc block
 * continues
 */
const BUG = 1;
