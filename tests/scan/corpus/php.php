<?php
// TODO: php line
# FIXME: php hash
/* HACK: php block */
$s = "// XXX: string";
$BUG = 1;
