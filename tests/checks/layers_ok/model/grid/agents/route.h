// Sample for the layer check: a model/ header, though its folder is named agents.
