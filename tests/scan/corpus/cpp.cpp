// BUG: raw strings below
auto a = R"(// TODO: inside a raw string)";
auto b = R"x(a ")" TODO: still raw)x"; // FIXME: after the raw string
auto c = u8R"(/* TODO */)";
/* TODO: a block
   comment on two lines */
int XXX = 0;
char q = '\''; // HACK quote escaped
//TODO no space after the opener
//
// an empty comment line ended that block
