# fish completion for tarnwell-cli: the options and the --length range.
# KEYWORD2 is never completed (-f: no file names): neither a file name nor a
# word from elsewhere is a site's keyword, and keyword 1 is never given on
# the command line. Installed as share/fish/vendor_completions.d/.
# Nothing is offered after "--", which ends the options.

set -l options_open 'not contains -- -- (commandline -opc)'

complete -c tarnwell-cli -f
complete -c tarnwell-cli -n $options_open -s l -l length -x -a '(seq 5 128)' -d 'password length, 5 to 128'
complete -c tarnwell-cli -n $options_open -l no-numbers -d 'no digits'
complete -c tarnwell-cli -n $options_open -l no-uppercase -d 'no uppercase letters'
complete -c tarnwell-cli -n $options_open -l no-lowercase -d 'no lowercase letters'
complete -c tarnwell-cli -n $options_open -l symbols -x -d 'allowed symbols (ASCII punctuation)'
complete -c tarnwell-cli -n $options_open -l no-symbols -d 'no symbols'
complete -c tarnwell-cli -n $options_open -s q -l quiet -d 'leave out the strength estimate'
complete -c tarnwell-cli -n $options_open -l confirm -d 'ask for keyword 1 twice'
complete -c tarnwell-cli -n $options_open -s c -l copy -d 'copy to the clipboard for 30 s'
complete -c tarnwell-cli -n $options_open -s h -l help -d 'show the help'
complete -c tarnwell-cli -n $options_open -s V -l version -d 'show the version'
