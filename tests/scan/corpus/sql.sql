-- TODO: sql
SELECT '-- FIXME: it''s a string' FROM dual;
/* HACK: block
   continued */
SELECT 1 AS XXX; -- BUG: trailing
