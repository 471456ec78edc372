; TODO: lisp
#| outer #| FIXME: nested |# HACK: outer |#
(setq s "; XXX: string")
