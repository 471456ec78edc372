class A {
    // TODO: java line comment
    String s = "/* FIXME: not a comment */";
    String t = """
        // HACK: text block
        """;
    /** FIXME: javadoc
     * goes on
     */
    int XXX = 0; // BUG: trailing comment
}
