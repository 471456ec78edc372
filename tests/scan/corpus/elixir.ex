# TODO: elixir
s = "# FIXME: string"
d = """
# HACK: heredoc
"""
