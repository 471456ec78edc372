# TODO: powershell
<# FIXME: block
   goes on #>
$s = "# HACK: `"escaped`" string"
$XXX = 1
