#include <stdio.h>
// TODO: free the buffer
// when the caller is done
int TODO = 1; /* FIXME(ann): check the size */
const char *s = "TODO: not a comment";
/*
 * HACK: the block goes on
 * over two lines
 *
 * not in the block
 */
char c = '"'; // XXX after a char quote
int main(void) { return TODO; }
