-- TODO: lua
--[[ FIXME: long comment
still long ]]
local s = [==[ -- HACK: long string ]==]
--[==[ XXX: level two ]] still ]==]
local BUG = "-- not a comment"
