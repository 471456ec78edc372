# TODO: R
s <- "# FIXME: string"
r <- r"(# HACK: raw)"
XXX <- 1 # BUG: trailing
