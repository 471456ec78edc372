// TODO: kotlin
/* outer /* FIXME: nested */ still outer HACK: */
val s = "// XXX: string"
val r = """// BUG: raw \"""
fun TODO() = 1
