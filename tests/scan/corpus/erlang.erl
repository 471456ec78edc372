% TODO: erlang
S = "% FIXME: string",
%% HACK: double percent
