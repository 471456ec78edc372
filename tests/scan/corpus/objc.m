// TODO: objective-c
NSString *s = @"// FIXME: in a string";
/* BUG: block
 * more */
int HACK = 1;
