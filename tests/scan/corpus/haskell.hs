-- TODO: haskell
{- outer {- FIXME: nested -} HACK: outer -}
s = "-- XXX: string"
f' x = x -- BUG: after a primed name
