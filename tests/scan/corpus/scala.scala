/* TODO: outer
 /* inner */
 still in the outer comment */
val s = """// FIXME: raw"""
val c = '"' // HACK: after a char
object XXX
