# The texts the plug-in reports to its host, compiled into the bundle's resource file.

resource 'STR#' 128 "Slider labels" strings {
    "Dissolve (set with Configure)"
    "Region (set with Configure)"
    "Fill colour (set with Configure)"
}

resource 'STR#' 129 "Slider end labels" strings {
    "Start"
    "End"
    "Part of the frame"
    "Whole frame"
    "Dark"
    "Light"
}

resource 'STR#' 130 "Button title" strings {
    "Configure…"
}

resource 'STR#' 17000 "Group name" strings {
    "Glintweave Dissolves"
}
