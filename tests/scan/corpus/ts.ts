// TODO: typescript
// continues here
let x: string = "// FIXME: string";
/* HACK: one line block */
let XXX: number = 1;
